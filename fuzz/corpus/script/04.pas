var i: Integer;
begin
  i := 'texte';
end.
