var f: TFont;
begin end.
