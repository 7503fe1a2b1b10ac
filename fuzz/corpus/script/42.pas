var i, j: Integer;
begin
  i := 10 mod j;
end.
