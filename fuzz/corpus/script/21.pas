procedure P;
begin end;
var i: Integer;
begin
  i := P;
end.
