// Window descriptions in text form, converted to the binary component stream.
//
//   object MainForm: TMainForm
//     Caption = 'Tiles'#13'of colour'
//     Font.Style = [fsBold]
//     Items = <
//       item
//         Width = 40
//       end>
//     Lines.Strings = ('first' 'second')
//     Bitmap.Data = {include 'tiles/colors.png'}
//     object OkButton: TButton
//       OnClick = OkButtonClick
//     end
//   end
//
// The conversion is syntax only: it knows no classes and no properties. The text is
// UTF-8; quoted characters without a Windows-1252 byte make the string wide, as do #nnn
// codes above 255 (codes up to 255 are 1252 bytes).
#pragma once

#include "classlib/core/Streams.h"

// A malformed description: the message starts with "source:line:column: ".
class EParserError : public Exception {
 public:
  EParserError(const String& Source, Integer Line, Integer Column, const String& Msg);
  Integer Line() const { return FLine; }
  Integer Column() const { return FColumn; }

 private:
  Integer FLine, FColumn;
};

struct TFormTextOptions {
  String SourceName = "description";  // used in error messages
  // Folder that `{include 'path'}` paths are relative to; includes are refused when empty.
  String IncludeDir;
  bool AllowIncludes = false;
};

// Writes the binary form of the description in Text to Output. Raises EParserError.
void ObjectTextToBinary(const String& Text, TStream& Output, const TFormTextOptions& Options = {});
// Reads the whole of Input as the text form.
void ObjectTextToBinary(TStream& Input, TStream& Output);
