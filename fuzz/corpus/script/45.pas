procedure Sans(n: Integer);
begin
  Sans(n + 1);
end;
begin
  Sans(0);
end.
