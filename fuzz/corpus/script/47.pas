var i: Integer;
begin
  i := -1;
  showmessage(Chr(i));
end.
