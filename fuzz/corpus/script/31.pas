begin
  setHelp(True);
  Help;
  OpenScript('/tmp/l''été.txt');
  ScriptFormSave(1, 2, 3, 4);
end.
