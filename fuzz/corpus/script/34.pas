{$DEFINE DEBUG}
{$define Trace}
{$I inclus.inc}
{$R+}
begin
  {$IFDEF DEBUG} showmessage('debug'); {$ELSE} showmessage('release'); {$ENDIF}
  {$IFNDEF DEBUG} showmessage('non debug'); {$ENDIF}
  {$IFDEF trace}
    {$IFDEF ABSENT} showmessage('absent'); {$ELSE} showmessage('trace sans absent'); {$ENDIF}
  {$ENDIF}
  {$UNDEF DEBUG}
  {$IFDEF DEBUG} showmessage('encore'); {$ENDIF}
  {$IFDEF ABSENT} {$DEFINE DEBUG} {$ENDIF}
  {$IFDEF DEBUG} showmessage('défini dans une branche ignorée'); {$ENDIF}
  {$IFDEF ABSENT} ceci n est pas du Pascal $$ # '}' {$ENDIF}
end.
