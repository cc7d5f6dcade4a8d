// Message texts of the mask language and the masks built on it. Each text is a resource
// string: the default below is used unless a string table or an application override
// supplies another (LoadResString).
#pragma once

#include "classlib/core/Exceptions.h"

inline constexpr TResStringRec scxRegExprIncorrectParameterQuantifier{65280, "Incorrect parameter quantifier"};
inline constexpr TResStringRec scxRegExprCantUseParameterQuantifier{
    65281, "The parameter quantifier cannot be applied here"};
inline constexpr TResStringRec scxRegExprErrors{65282, "Regular expression errors:"};
// Refuses masks whose expansion would exceed the automaton's fixed limits (group nesting,
// total number of items); not one of the language's own messages.
inline constexpr TResStringRec scxRegExprTooComplex{65284, "The expression is too complex"};
inline constexpr TResStringRec scxRegExprCantUseStarQuantifier{65296, "The '*' quantifier cannot be applied here"};
inline constexpr TResStringRec scxRegExprEmptyAlt{65297, "The alternative should not be empty"};
inline constexpr TResStringRec scxRegExprEmptyBlock{65298, "The block should not be empty"};
inline constexpr TResStringRec scxRegExprIllegalSymbol{65299, "Illegal '%s'"};
inline constexpr TResStringRec scxRegExprIllegalQuantifier{65300, "Illegal quantifier '%s'"};
inline constexpr TResStringRec scxRegExprIllegalIntegerValue{65302, "Illegal integer value"};
inline constexpr TResStringRec scxRegExprTooBigReferenceNumber{65303, "Too big reference number"};
inline constexpr TResStringRec scxRegExprCantCreateEmptyEnum{65304, "Can't create empty enumeration"};
inline constexpr TResStringRec scxRegExprSubrangeOrder{
    65305, "The starting character of the subrange must be less than the finishing one"};
inline constexpr TResStringRec scxRegExprHexNumberExpected{65306, "Hexadecimal number expected"};
inline constexpr TResStringRec scxRegExprHexNumberExpected0{65307, "Hexadecimal number expected but '%s' found"};
inline constexpr TResStringRec scxRegExprMissing{65308, "Missing '%s'"};
inline constexpr TResStringRec scxRegExprUnnecessary{65309, "Unnecessary '%s'"};
inline constexpr TResStringRec scxRegExprIncorrectSpace{65310, "The space character is not allowed after '\\'"};
inline constexpr TResStringRec scxRegExprNotCompiled{65311, "Regular expression is not compiled"};
inline constexpr TResStringRec scxRegExprLine{65323, "Line"};
inline constexpr TResStringRec scxRegExprChar{65324, "Char"};
inline constexpr TResStringRec scxRegExprNotAssignedSourceStream{65325, "The source stream is not assigned"};
inline constexpr TResStringRec scxRegExprEmptySourceStream{65326, "The source stream is empty"};
inline constexpr TResStringRec scxRegExprCantUsePlusQuantifier{65327, "The '+' quantifier cannot be applied here"};
