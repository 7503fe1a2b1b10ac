var s: string;
begin
  s := 'abc';
  showmessage(s[0]);
end.
