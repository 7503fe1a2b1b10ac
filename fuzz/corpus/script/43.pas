var t: array[1..3] of Integer; i: Integer;
begin
  i := 4;
  t[i] := 1;
end.
