var i, j: Integer;
begin
  j := 0;
  i := 10 div j;
end.
