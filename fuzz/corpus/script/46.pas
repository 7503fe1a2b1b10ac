var i: Integer;
begin
  showmessage('avant');
  i := StrToInt('12a');
  showmessage('après');
end.
