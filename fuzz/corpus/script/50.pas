var b: Byte; si: ShortInt; w: Word; sm: SmallInt; c: Cardinal; lw: LongWord; i: Integer; li: LongInt; i64: Int64;
begin
  b := 255; b := b + 1; showmessage(IntToStr(b));
  si := 127; Inc(si); showmessage(IntToStr(si));
  w := 0; Dec(w); showmessage(IntToStr(w));
  sm := -32768; Dec(sm); showmessage(IntToStr(sm));
  c := 0; c := c - 1; showmessage(IntToStr(c));
  lw := $FFFFFFFF; Inc(lw, 2); showmessage(IntToStr(lw));
  i := 2147483647; i := i + 1; showmessage(IntToStr(i));
  li := -2147483648; showmessage(IntToStr(li));
  i64 := 9223372036854775807; i64 := i64 + 1; showmessage(IntToStr(i64));
  i64 := $FFFFFFFFFFFFFFFF; showmessage(IntToStr(i64));
  // arithmetic is done in 64 bits before the store
  i := 100000; i64 := i * i; showmessage(IntToStr(i64));
  b := Byte(300); showmessage(IntToStr(b));
end.
