procedure P(const a: Integer);
begin
  a := 2;
end;
begin end.
