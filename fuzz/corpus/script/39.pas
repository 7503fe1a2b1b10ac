function Profond(n: Integer): Integer;
begin
  if n = 0 then Result := 0 else Result := 1 + Profond(n - 1);
end;
begin
  showmessage(IntToStr(Profond(999)));
end.
