var i: Integer;
begin
  i;
end.
