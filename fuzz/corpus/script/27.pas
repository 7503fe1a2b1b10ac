var t: array[1..2000000] of Integer;
begin end.
