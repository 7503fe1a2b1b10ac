begin
  while 1 do ;
end.
