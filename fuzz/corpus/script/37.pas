{$ENDIF}
begin end.
