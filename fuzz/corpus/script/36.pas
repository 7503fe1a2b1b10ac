begin
{$ELSE}
end.
