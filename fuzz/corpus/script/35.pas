{$IFDEF X}
begin end.
