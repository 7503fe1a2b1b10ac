procedure P(a, b: Integer);
begin end;
begin
  P(1);
end.
