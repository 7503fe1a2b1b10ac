var a: Integer;
    a: string;
begin end.
