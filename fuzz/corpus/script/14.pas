begin
  ?
end.
