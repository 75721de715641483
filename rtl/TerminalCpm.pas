{ Terminal unit for CP/M: the console through BDOS calls at 0005H, with
  the names and behaviour of the board's unit, so one program builds for
  both.  Include it in a program's declarations with the directive
  #I Terminal.pas in braces. }

CONST
  BdosConsoleOutput = 2;
  BdosDirectIo = 6;
  BdosReadLine = 10;
  BdosConsoleStatus = 11;
  DirectIoInput = $FF;

TYPE
  TermLine = STRING[255];

VAR
  { BDOS line input: the size, the count read, then the characters. }
  TermLineBuffer: ARRAY[0..256] OF BYTE;

{ GLOBAL gives the parameters names that do not depend on the program's. }
FUNCTION TermBdos(Fn: BYTE; Arg: WORD): BYTE; GLOBAL;
BEGIN
  ASM
	ld a,(TERMBDOS_FN)
	ld c,a
	ld de,(TERMBDOS_ARG)
	call 5
	ld (TERMBDOS),a
  END;
END;

PROCEDURE PutChar(C: CHAR);
BEGIN
  TermBdos(BdosConsoleOutput, ORD(C));
END;

PROCEDURE PutLn;
BEGIN
  TermBdos(BdosConsoleOutput, 13);
  TermBdos(BdosConsoleOutput, 10);
END;

PROCEDURE PutStr(S: TermLine);
VAR
  PutIndex: BYTE;
BEGIN
  FOR PutIndex := 1 TO LENGTH(S) DO
    TermBdos(BdosConsoleOutput, ORD(S[PutIndex]));
END;

PROCEDURE PutInt(N: LONGINT);
BEGIN
  PutStr(INTTOSTR(N));
END;

FUNCTION KeyPressed: BOOLEAN;
BEGIN
  KeyPressed := TermBdos(BdosConsoleStatus, 0) <> 0;
END;

{ Waits for a key without echoing it, as the board's unit does. }
FUNCTION GetChar: CHAR;
VAR
  GetKey: BYTE;
BEGIN
  REPEAT
    GetKey := TermBdos(BdosDirectIo, DirectIoInput);
  UNTIL GetKey <> 0;
  GetChar := CHR(GetKey);
END;

{ Reads a line up to Enter, echoing it; the BDOS ends the echo with a
  carriage return, the line feed follows here. }
PROCEDURE GetLine(VAR S: TermLine);
VAR
  GetIndex: BYTE;
BEGIN
  TermLineBuffer[0] := 255;
  TermBdos(BdosReadLine, ADDR(TermLineBuffer));
  S := '';
  FOR GetIndex := 1 TO TermLineBuffer[1] DO
    S := S + CHR(TermLineBuffer[GetIndex + 1]);
  TermBdos(BdosConsoleOutput, 10);
END;
