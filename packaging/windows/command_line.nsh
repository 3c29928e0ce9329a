; Options of the setup program's command line, /NAME=value.

!include FileFunc.nsh
!include LogicLib.nsh

; Puts the value of /NAME= into VAR, or sets the error flag when the command
; line has no such option. FileFunc's GetOptions ends a value at the next "/",
; which would cut a URL short: here a value runs to the next option (" /" or
; ' "/') or, in quotes (/NAME="a b" or "/NAME=a b"), to the closing quote. Names are
; compared without regard to case.
!macro OptionValue NAME VAR
  Push "${NAME}"
  Call OptionValue
  Pop ${VAR}
!macroend

; Uses $R0 to $R6.
Function OptionValue
  Exch $R1
  ${GetParameters} $R2
  StrCpy $R2 " $R2"
  StrCpy $R1 "/$R1="
  StrLen $R3 $R1
  ; Find the option where a blank or a quote stands before it.
  StrCpy $R4 0
  ${Do}
    StrCpy $R0 $R2 $R3 $R4
    ${If} $R0 == ""
      StrCpy $R1 ""
      Exch $R1
      SetErrors
      Return
    ${EndIf}
    IntOp $R5 $R4 - 1
    StrCpy $R5 $R2 1 $R5
    ${If} $R0 == $R1
      ${If} $R5 == " "
      ${OrIf} $R5 == '"'
        ${ExitDo}
      ${EndIf}
    ${EndIf}
    IntOp $R4 $R4 + 1
  ${Loop}
  IntOp $R4 $R4 + $R3
  StrCpy $R0 $R2 "" $R4
  ; Where the value ends.
  StrCpy $R6 " /"
  ${If} $R5 == '"'
    StrCpy $R6 '"'
  ${Else}
    StrCpy $R5 $R0 1
    ${If} $R5 == '"'
      StrCpy $R0 $R0 "" 1
      StrCpy $R6 '"'
    ${EndIf}
  ${EndIf}
  StrLen $R3 $R6
  StrCpy $R4 0
  ${Do}
    StrCpy $R5 $R0 $R3 $R4
    ${If} $R5 == $R6
    ${OrIf} $R5 == ""
      ${ExitDo}
    ${EndIf}
    ; An unquoted value also ends where a quoted option follows.
    ${If} $R6 == " /"
      StrCpy $R5 $R0 3 $R4
      ${If} $R5 == ' "/'
        ${ExitDo}
      ${EndIf}
    ${EndIf}
    IntOp $R4 $R4 + 1
  ${Loop}
  StrCpy $R0 $R0 $R4
  ; Blanks at its end are the command line's, not the value's.
  ${Do}
    StrCpy $R5 $R0 1 -1
    ${If} $R5 != " "
      ${ExitDo}
    ${EndIf}
    StrCpy $R0 $R0 -1
  ${Loop}
  StrCpy $R1 $R0
  Exch $R1
  ClearErrors
FunctionEnd
