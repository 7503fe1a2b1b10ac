var i, j: Integer;
begin
  case i of
    j: ;
  end;
end.
