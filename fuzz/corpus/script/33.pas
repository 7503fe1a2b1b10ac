function Jamais: Boolean;
begin
  showmessage('appelée');
  Result := True;
end;
begin
  if False and Jamais then showmessage('non');
  if True or Jamais then showmessage('oui');
end.
