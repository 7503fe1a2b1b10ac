procedure P; forward;
begin
  P;
end.
