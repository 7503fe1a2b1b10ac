begin
  { jamais fermé
end.
