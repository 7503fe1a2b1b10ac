begin
  showmessage('pas fini);
end.
