{ Terminal unit: the board's terminal on data port 80H and status port
  81H (the status reads 1 while a key is waiting).  Include it in a
  program's declarations with the directive #I Terminal.pas in braces. }

CONST
  TermData = $80;
  TermStatus = $81;

TYPE
  TermLine = STRING[255];

PROCEDURE PutChar(C: CHAR);
BEGIN
  OUT(TermData, ORD(C));
END;

PROCEDURE PutLn;
BEGIN
  OUT(TermData, 13);
  OUT(TermData, 10);
END;

PROCEDURE PutStr(S: TermLine);
VAR
  PutIndex: BYTE;
BEGIN
  FOR PutIndex := 1 TO LENGTH(S) DO
    OUT(TermData, ORD(S[PutIndex]));
END;

PROCEDURE PutInt(N: LONGINT);
BEGIN
  PutStr(INTTOSTR(N));
END;

FUNCTION KeyPressed: BOOLEAN;
BEGIN
  KeyPressed := INP(TermStatus) <> 0;
END;

FUNCTION GetChar: CHAR;
BEGIN
  WHILE INP(TermStatus) = 0 DO ;
  GetChar := CHR(INP(TermData));
END;

{ Reads a line up to Enter, echoing it; the LF after CR is skipped. }
PROCEDURE GetLine(VAR S: TermLine);
VAR
  GetKey: CHAR;
BEGIN
  S := '';
  REPEAT
    GetKey := GetChar;
    IF (GetKey <> #13) AND (GetKey <> #10) THEN
    BEGIN
      PutChar(GetKey);
      S := S + GetKey;
    END;
  UNTIL GetKey = #13;
  PutLn;
END;
