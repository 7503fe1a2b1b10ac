var i: Integer; s: string;
begin
  showmessage(IntToStr(-42) + IntToStr(StrToInt('123') + StrToInt('-7') + StrToInt('$10')));
  showmessage(IntToStr(StrToIntDef('abc', 99)) + IntToStr(StrToIntDef(' 5 ', 99)));
  showmessage(IntToStr(Length('')) + IntToStr(Length('été')));
  showmessage(Copy('Bonjour', 4, 3) + '|' + Copy('Bonjour', 6, 100) + '|' + Copy('Bonjour', 9, 2) + '|' + Copy('Bonjour', 0, 2));
  showmessage(IntToStr(Pos('jo', 'Bonjour')) + IntToStr(Pos('x', 'Bonjour')) + IntToStr(Pos('', 'a')));
  showmessage(UpperCase('Élève') + LowerCase('ÉLÈVE') + '[' + Trim('  a b  ') + ']');
  i := 10; Inc(i); Inc(i, 5); Dec(i); Dec(i, 10); showmessage(IntToStr(i));
  showmessage(IntToStr(Ord('A')) + IntToStr(Ord(True)) + Chr(66) + Chr($263A));
  s := 'abc';
  showmessage(IntToStr(Low(s)) + IntToStr(High(s)) + IntToStr(High(Byte)) + IntToStr(Low(ShortInt)));
  if High(Boolean) then showmessage(IntToStr(Ord(High(Char))));
end.
