type
  TJour = (Lundi, Mardi, Mercredi, Jeudi, Vendredi);
  TJours = set of TJour;
  TNombre = Integer;
  TChiffre = 0..9;
  TPoint3 = record x, y, z: TNombre; nom: string; end;
  TGrille = array[1..3, 1..2] of Byte;
  TParJour = array[TJour] of Integer;
  TLettres = set of 'a'..'z';
var
  j: TJour; js: TJours; p, q: TPoint3; g: TGrille; pj: TParJour; d: TChiffre; l: TLettres; n: Integer;
begin
  j := Mercredi; showmessage(IntToStr(Ord(j)));
  if j > Mardi then showmessage('après mardi');
  js := [Lundi, Jeudi..Vendredi];
  if Jeudi in js then showmessage('jeudi');
  if not (Mardi in js) then showmessage('pas mardi');
  js := js + [Mardi] - [Lundi];
  if js = [Mardi, Jeudi, Vendredi] then showmessage('union');
  if [Jeudi] <= js then showmessage('inclus');
  js := js * [Lundi, Mardi]; if js = [Mardi] then showmessage('intersection');
  js := []; if js = [] then showmessage('vide');
  p.x := 1; p.y := 2; p.z := 3; p.nom := 'P';
  q := p; q.x := 10;
  showmessage(IntToStr(p.x) + ' ' + IntToStr(q.x) + q.nom);
  g[3, 2] := 7; g[1][1] := 1;
  showmessage(IntToStr(g[3, 2] + g[1, 1]));
  pj[Vendredi] := 5; showmessage(IntToStr(pj[Vendredi]) + IntToStr(Length(pj)));
  d := 9; showmessage(IntToStr(High(d)) + IntToStr(Low(TChiffre)));
  l := ['a', 'c'..'e']; if 'd' in l then showmessage('lettre');
  for j := Low(TJour) to High(TJour) do n := n + Ord(j);
  showmessage(IntToStr(n));
  showmessage(IntToStr(Ord(High(TJour))) + IntToStr(High(g)) + IntToStr(Ord(Low(pj))));
end.
