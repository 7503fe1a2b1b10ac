begin
  if 'a' + 1 = 2 then ;
end.
