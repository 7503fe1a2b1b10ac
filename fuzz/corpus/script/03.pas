var i: Integer;
begin
  i := 1
  i := 2;
end.
