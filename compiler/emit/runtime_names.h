#pragma once
// Names of the run-time library routines that expression code calls. The
// assembler compares names in upper case, so two names that differ only in
// case are one routine; negation therefore has names of its own, apart from
// the NOT routines.

namespace velkor::rtl {

inline constexpr const char* kLintConst = "__LintConst";
inline constexpr const char* kPush32 = "__Push32";
inline constexpr const char* kPushStringLiteral = "__pushString";
inline constexpr const char* kPushString = "__PushString";

inline constexpr const char* kMult16 = "__mult16HLDE";
inline constexpr const char* kSignedMult16 = "__Smult16HLDE";
inline constexpr const char* kDiv16 = "__div16HLDE";
inline constexpr const char* kSignedDiv16 = "__Sdiv16HLDE";
inline constexpr const char* kMod16 = "__mod16HLDE";
inline constexpr const char* kSignedMod16 = "__Smod16HLDE"; // remainder with the dividend's sign
inline constexpr const char* kShl16 = "__shl16";
inline constexpr const char* kShr16 = "__shr16";

// Widening to LONGINT: INTEGER sign-extends, BYTE/WORD/CHAR zero-extend.
inline constexpr const char* kIntToLint = "__IntToLint";    // HL (signed) -> long on the stack
inline constexpr const char* kWordToLint = "__WordToLint";  // HL (unsigned) -> long on the stack
inline constexpr const char* kLintFix1 = "__lintfix1";      // signed word beneath a long
inline constexpr const char* kLintFix1Word = "__lintfix1w"; // unsigned word beneath a long

inline constexpr const char* kNotBool = "__notBool";
inline constexpr const char* kNotInt = "__notInt";
inline constexpr const char* kNotLint = "__notLint";
inline constexpr const char* kNegInt = "__NegInt";   // negates the word on top of the stack
inline constexpr const char* kNegLint = "__NegLint"; // negates the long on top of the stack

inline constexpr const char* kAddStrings = "__AddStrings";
inline constexpr const char* kAddCharToString = "__AddCharToString";
inline constexpr const char* kAddStringToChar = "__AddStringToChar";
inline constexpr const char* kTwoCharsToString = "__TwoCharsToString";
inline constexpr const char* kCharToString = "__CharToString";
inline constexpr const char* kConstSet = "__constset";

} // namespace velkor::rtl
