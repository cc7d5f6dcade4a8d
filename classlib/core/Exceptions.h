// The class library's exception classes. Thrown by value, caught by const reference,
// re-raised with `throw;`. The platform layer never throws these.
#pragma once

#include "platform/kernel/Types.h"

#include <exception>

// Identity of a resource string; message overrides key on it.
struct TResStringRec {
  int Id;
  const char* Default;   // text used when no string table holds the id
};

// Resolves a resource string: an override registered for it, else the string table,
// else the record's default text.
String LoadResString(const TResStringRec& rec);
using TResStringResolver = String (*)(const TResStringRec& rec, bool& found);
// Installs an override lookup consulted before the string tables (nullptr removes it).
TResStringResolver SetResStringResolver(TResStringResolver resolver);

class Exception : public std::exception {
 public:
  explicit Exception(String msg) : FMessage(std::move(msg)) {}
  explicit Exception(const TResStringRec& res) : FMessage(LoadResString(res)) {}
  const String& Message() const noexcept { return FMessage; }
  void SetMessage(String msg) { FMessage = std::move(msg); }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  String FMessage;
};

#define TL_EXCEPTION(Name, Base) \
  class Name : public Base {     \
   public:                       \
    using Base::Base;            \
  }

TL_EXCEPTION(EAbort, Exception);           // silent: never shown to the user
TL_EXCEPTION(EConvertError, Exception);
TL_EXCEPTION(EVariantError, Exception);
TL_EXCEPTION(EStreamError, Exception);
TL_EXCEPTION(EReadError, EStreamError);
TL_EXCEPTION(EWriteError, EStreamError);
TL_EXCEPTION(EFilerError, EStreamError);
TL_EXCEPTION(EClassNotFound, EFilerError);
TL_EXCEPTION(EFOpenError, EStreamError);
TL_EXCEPTION(EFCreateError, EStreamError);
TL_EXCEPTION(EListError, Exception);
TL_EXCEPTION(EStringListError, Exception);
TL_EXCEPTION(EComponentError, Exception);
TL_EXCEPTION(EInvalidOperation, Exception);
TL_EXCEPTION(EInvalidPointer, Exception);
TL_EXCEPTION(EOutOfResources, Exception);
TL_EXCEPTION(EIntError, Exception);
TL_EXCEPTION(EDivByZero, EIntError);
TL_EXCEPTION(ERangeError, EIntError);
TL_EXCEPTION(EIntOverflow, EIntError);
TL_EXCEPTION(EMathError, Exception);
TL_EXCEPTION(EZeroDivide, EMathError);
TL_EXCEPTION(EOverflow, EMathError);
TL_EXCEPTION(EInvalidCast, Exception);
TL_EXCEPTION(EAbstractError, Exception);
TL_EXCEPTION(EIniFileException, Exception);
TL_EXCEPTION(EOSError, Exception);
