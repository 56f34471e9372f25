#pragma once

#include <string_view>

// The errors of the SCPI error list this instrument reports, each named once with its number
// and its standard text. An instrument adds its own device-specific ones (positive numbers)
// the same way.
struct ScpiErrorKind {
    int code;
    std::string_view text;
};

inline constexpr ScpiErrorKind kNoError{0, "No error"};
inline constexpr ScpiErrorKind kInvalidCharacter{-101, "Invalid character"};
inline constexpr ScpiErrorKind kSyntaxError{-102, "Syntax error"};
inline constexpr ScpiErrorKind kDataTypeError{-104, "Data type error"};
inline constexpr ScpiErrorKind kParameterNotAllowed{-108, "Parameter not allowed"};
inline constexpr ScpiErrorKind kMissingParameter{-109, "Missing parameter"};
inline constexpr ScpiErrorKind kCommandHeaderError{-110, "Command header error"};
inline constexpr ScpiErrorKind kMnemonicTooLong{-112, "Program mnemonic too long"};
inline constexpr ScpiErrorKind kUndefinedHeader{-113, "Undefined header"};
inline constexpr ScpiErrorKind kSuffixOutOfRange{-114, "Header suffix out of range"};
inline constexpr ScpiErrorKind kInvalidCharacterInNumber{-121, "Invalid character in number"};
inline constexpr ScpiErrorKind kExponentTooLarge{-123, "Exponent too large"};
inline constexpr ScpiErrorKind kTooManyDigits{-124, "Too many digits"};
inline constexpr ScpiErrorKind kInvalidSuffix{-131, "Invalid suffix"};
inline constexpr ScpiErrorKind kSuffixNotAllowed{-138, "Suffix not allowed"};
inline constexpr ScpiErrorKind kCharacterDataNotAllowed{-148, "Character data not allowed"};
inline constexpr ScpiErrorKind kStringDataError{-150, "String data error"};
inline constexpr ScpiErrorKind kStringDataNotAllowed{-158, "String data not allowed"};
inline constexpr ScpiErrorKind kBlockDataNotAllowed{-168, "Block data not allowed"};
inline constexpr ScpiErrorKind kExpressionError{-170, "Expression error"};
inline constexpr ScpiErrorKind kExpressionDataNotAllowed{-178, "Expression data not allowed"};
inline constexpr ScpiErrorKind kExecutionError{-200, "Execution error"};
inline constexpr ScpiErrorKind kDataOutOfRange{-222, "Data out of range"};
inline constexpr ScpiErrorKind kTooMuchData{-223, "Too much data"};
inline constexpr ScpiErrorKind kIllegalParameterValue{-224, "Illegal parameter value"};
inline constexpr ScpiErrorKind kQueueOverflow{-350, "Queue overflow"};
inline constexpr ScpiErrorKind kInputBufferOverrun{-363, "Input buffer overrun"};
inline constexpr ScpiErrorKind kQueryInterrupted{-410, "Query INTERRUPTED"};
