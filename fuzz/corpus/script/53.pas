const
  Max = 10;
  Moitie = Max div 2;
  Titre = 'Tessivo' + ' ' + 'script';
  Masque: Integer = $FF and not $0F;
  Drapeau = True;
var v: Integer = 7;
begin
  showmessage(IntToStr(Moitie) + ' ' + Titre + ' ' + IntToStr(Masque) + ' ' + IntToStr(v));
  if Drapeau then showmessage(IntToStr(High(Integer)) + ' ' + IntToStr(Low(Int64)));
end.
