var f: Boolean; c: Char; s: widestring; t: string;
begin
  f := not False and (1 < 2);
  if f then showmessage('vrai');
  f := True xor True; if not f then showmessage('faux');
  c := 'A'; c := Chr(Ord(c) + 2); showmessage(c);
  s := 'it''s'; t := s + ' ' + c + #33;
  showmessage(t);
  showmessage(IntToStr(Length('a'#13#10'b')));
  if 'abc' < 'abd' then showmessage('ordre');
  if c = 'C' then showmessage('égal');
  t[1] := 'I'; showmessage(t);
  showmessage(IntToStr(Ord(t[3])));
end.
