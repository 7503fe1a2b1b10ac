procedure P(var a: Integer);
begin end;
begin
  P(1 + 2);
end.
