(* a block comment *)
{ another one }
// a line comment
PROGRAM Operateurs;
VAR a, B: integer;
Begin
  a := 2 + 3 * 4 - 10 div 3 mod 2;  { 2 + 12 - (3 mod 2) = 13 }
  ShowMessage(inttostr(A));
  b := (2 + 3) * 4; showmessage(IntToStr(b));
  showmessage(IntToStr(-7 div 2) + ' ' + IntToStr(-7 mod 2) + ' ' + IntToStr(7 mod -2));
  showmessage(IntToStr($FF and $0F) + ' ' + IntToStr($F0 or $0F) + ' ' + IntToStr($FF xor $0F) + ' ' + IntToStr(not 0));
  showmessage(IntToStr(1 shl 10) + ' ' + IntToStr(1024 shr 3) + ' ' + IntToStr(1 shl 63));
  if (1 < 2) and (2 <= 2) and (3 > 2) and (3 >= 3) and (1 <> 2) and (1 = 1) then showmessage('comparaisons');
  if not (1 > 2) or False then showmessage('ou');
  if 3 in [1..5] then showmessage('dans');
  showmessage('a' + 'b' + #9 + 'c' + '''' + #$41);
  showmessage('Ligne 1'#10'Ligne 2');
  a := -(-5); showmessage(IntToStr(+a));
end.
