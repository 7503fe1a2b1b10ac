var s: set of Byte; i: Integer;
begin
  i := 300;
  s := [i];
end.
