var i: Integer;
begin
  i := 4 / 2;
end.
