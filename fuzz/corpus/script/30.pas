var r: TRect; a: TAlignment; g: TGUID; c: TColor; i: TBorderIcons; p: TPoint; m: TSavePreferences; h: HResult;
begin
  showmessage(IntToStr(clMoneyGreen) + ' ' + IntToStr(clSkyBlue) + ' ' + IntToStr(clCream) + ' ' + IntToStr(SecsPerDay) + ' ' + IntToStr(MSecPerDay));
  r.Left := 1; r.Bottom := 4; p.x := 2; h := -1;
  a := taCenter; c := clRed; i := [biHelp, biMinimize]; m := spNone; g.D4[7] := 255;
  showmessage(IntToStr(Ord(a)) + ' ' + IntToStr(c) + ' ' + IntToStr(Ord(m)) + ' ' + IntToStr(r.Left + r.Bottom + p.x + g.D4[7] + h));
  if biHelp in i then showmessage('aide');
  showmessage(IntToStr(Ord(High(TEOwnerDrawState))) + IntToStr(Ord(tlBottom)) + IntToStr(High(TSHORTCUT)));
end.
