begin
  try
  except
  end;
end.
