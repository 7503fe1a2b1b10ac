var f: widestring;
begin
  f := findfirst(DIR, '*.*');
  while f <> '' do begin showmessage(f); f := findnext; end;
  findclose;
  showmessage(findfirst(DIR + '/', '*.txt') + '|' + findnext + '|');
  showmessage(findfirst(DIR, '*.TXT'));
  showmessage(findfirst(DIR, 'rien*') + '|');
  showmessage(changefileext('/a/b.c/d.txt', '.bak') + ' ' + changefileext('/a/b.c/d', '.bak'));
  showmessage(extractfilename('/a/b/c.tar.gz') + ' ' + extractfilepath('/a/b/c.tar.gz') + ' ' + extractfileext('/a/b/c.tar.gz') + '|' + extractfileext('/a.b/c') + '|');
  forcedirectories(DIR + '/x/y/z');
  showmessage(findfirst(DIR + '/x/y', '*'));
  renamefile(DIR + '/c.dat', DIR + '/d.dat');
  showmessage(findfirst(DIR, '?.dat'));
  if deletefiletorecyclebin(DIR + '/d.dat') then showmessage('à la corbeille');
  if not deletefiletorecyclebin(DIR + '/absent') then showmessage('absent');
  sleep(1);
  processmessages;
end.
