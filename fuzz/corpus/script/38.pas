var total: Integer;

function Carre(n: Integer): Integer;
begin
  Result := n * n;
end;

function Fact(n: Int64): Int64;
begin
  if n <= 1 then Fact := 1
  else Fact := n * Fact(n - 1);
end;

procedure Ajoute(const quoi: Integer; var dans: Integer);
var local: Integer;
begin
  local := quoi * 2;
  dans := dans + local;
end;

function Premier(const s: string): Char;
begin
  if s = '' then Exit('?');
  Result := s[1];
end;

procedure Externe;
var compte: Integer;
  procedure Interne(n: Integer);
  begin
    compte := compte + n;
    if n > 0 then Interne(n - 1);
  end;
begin
  compte := 0;
  Interne(4);
  showmessage(IntToStr(compte));
end;

procedure Pair(n: Integer); forward;

procedure Impair(n: Integer);
begin
  if n > 0 then Pair(n - 1) else showmessage('impair');
end;

procedure Pair(n: Integer);
begin
  if n > 0 then Impair(n - 1) else showmessage('pair');
end;

procedure Echange(var a, b: string);
var t: string;
begin
  t := a; a := b; b := t;
end;

var x, y: string;
    r: record a: Integer; t: array[1..2] of Integer; end;
begin
  showmessage(IntToStr(Carre(12)));
  showmessage(IntToStr(Fact(15)));
  total := 1;
  Ajoute(5, total);
  showmessage(IntToStr(total));
  Ajoute(1, r.t[2]);
  showmessage(IntToStr(r.t[2]));
  showmessage(Premier('') + Premier('Zut'));
  Externe;
  Pair(7);
  x := 'un'; y := 'deux';
  Echange(x, y);
  showmessage(x + y);
  Carre(3);
end.
