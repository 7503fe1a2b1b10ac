const C = 1;
begin
  C := 2;
end.
