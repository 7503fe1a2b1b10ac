var i, j, n: Integer;
    s: string;
begin
  // assignment, call, compound
  n := 0;
  begin n := n + 1; n := n + 1 end;
  showmessage(IntToStr(n));
  // if with and without else, nested
  if n = 2 then showmessage('deux');
  if n > 5 then showmessage('grand') else if n > 1 then showmessage('moyen') else showmessage('petit');
  // case with lists, ranges and else
  for i := 0 to 7 do
    case i of
      0: s := 'zéro';
      1, 2: s := 'un-deux';
      3..5: s := 'trois-cinq';
    else
      s := 'autre';
      s := s + '!';
    end;
  showmessage(s);
  // for to and downto, whose bounds are taken once
  s := '';
  n := 3;
  for i := 1 to n do begin s := s + IntToStr(i); n := 10; end;
  for i := 3 downto 1 do s := s + IntToStr(i);
  for i := 5 to 1 do s := s + 'jamais';
  showmessage(s);
  // while, repeat, Break and Continue
  i := 0; s := '';
  while i < 10 do begin
    Inc(i);
    if i mod 2 = 0 then Continue;
    if i > 7 then Break;
    s := s + IntToStr(i);
  end;
  showmessage(s);
  i := 0;
  repeat
    Inc(i);
    if i = 2 then Continue;
    if i = 4 then Break;
  until i > 100;
  showmessage(IntToStr(i));
  // nested loops: Break leaves the inner one only
  n := 0;
  for i := 1 to 3 do
    for j := 1 to 3 do begin
      if j = 2 then Break;
      Inc(n);
    end;
  showmessage(IntToStr(n));
  // empty statements
  ;;
  begin end;
  // Exit ends the program
  showmessage('avant');
  Exit;
  showmessage('après');
end.
