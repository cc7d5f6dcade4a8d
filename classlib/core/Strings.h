// String lists: the abstract TStrings (text, comma text, name=value pairs) and the
// stored TStringList (sorting, duplicates, objects, change events).
#pragma once

#include "classlib/core/Classes.h"

#include <utility>
#include <vector>

class TStream;

TL_ENUM(TDuplicates, dupIgnore, dupAccept, dupError);

class TStrings : public TPersistent {
  TL_CLASS(TStrings, TPersistent)
 public:
  virtual Integer Add(const String& S);
  virtual Integer AddObject(const String& S, TObject* AObject);
  void Append(const String& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(Integer Index) = 0;
  virtual void Exchange(Integer Index1, Integer Index2);
  bool Equals(const TStrings* Strings) const;
  virtual Integer IndexOf(const String& S) const;
  Integer IndexOfName(const String& Name) const;
  Integer IndexOfObject(const TObject* AObject) const;
  virtual void Insert(Integer Index, const String& S) = 0;
  virtual void InsertObject(Integer Index, const String& S, TObject* AObject);
  virtual void Move(Integer CurIndex, Integer NewIndex);

  Integer Count() const { return GetCount(); }
  String Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const String& S) { Put(Index, S); }
  String operator[](Integer Index) const { return Get(Index); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }

  // "Name=Value" lines.
  String Names(Integer Index) const;
  String Values(const String& Name) const;
  // An empty value deletes the line.
  void SetValues(const String& Name, const String& Value);
  String ValueFromIndex(Integer Index) const;
  void SetValueFromIndex(Integer Index, const String& Value);

  // Lines, each followed by CR LF; setting splits at CR LF, CR or LF.
  virtual String GetText() const;
  virtual void SetText(const String& Value);
  // Items separated by Delimiter; items holding blanks, the delimiter or the quote are quoted.
  String GetDelimitedText() const;
  void SetDelimitedText(const String& Value);
  // Delimited text with ',' and '"'.
  String GetCommaText() const;
  void SetCommaText(const String& Value);
  Char GetDelimiter() const { return FDelimiter; }
  void SetDelimiter(Char c) { FDelimiter = c; }
  Char GetQuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(Char c) { FQuoteChar = c; }
  Char GetNameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(Char c) { FNameValueSeparator = c; }

  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const String& FileName);
  // Written to a temporary file and renamed over the target, so a failure keeps the old file.
  void SaveToFile(const String& FileName) const;

 protected:
  virtual String Get(Integer Index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual TObject* GetObject(Integer) const { return nullptr; }
  virtual void Put(Integer Index, const String& S);
  virtual void PutObject(Integer, TObject*) {}
  virtual void SetUpdateState(bool) {}
  Integer UpdateCount() const { return FUpdateCount; }
  // Case-insensitive unless a descendant says otherwise.
  virtual int CompareStrings(const String& S1, const String& S2) const;
  void DefineProperties(TFiler& Filer) override;
  void CheckIndex(Integer Index) const;

 private:
  String JoinDelimited(Char Delimiter, Char Quote) const;
  void ReadData(TReader& Reader);
  void WriteData(TWriter& Writer);
  Integer FUpdateCount = 0;
  Char FDelimiter = ',';
  Char FQuoteChar = '"';
  Char FNameValueSeparator = '=';
};

class TStringList;
using TStringListSortCompare = int (*)(TStringList* List, Integer Index1, Integer Index2);

class TStringList : public TStrings {
  TL_CLASS(TStringList, TStrings)
 public:
  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Clear() override;
  void Delete(Integer Index) override;
  void Exchange(Integer Index1, Integer Index2) override;
  // Binary search of a sorted list: the first matching index, or where S would go.
  virtual bool Find(const String& S, Integer& Index) const;
  Integer IndexOf(const String& S) const override;
  void Insert(Integer Index, const String& S) override;
  void InsertObject(Integer Index, const String& S, TObject* AObject) override;
  virtual void Sort();
  // Stable, and safe against an inconsistent compare function.
  virtual void CustomSort(TStringListSortCompare Compare);

  TDuplicates GetDuplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates v) { FDuplicates = v; }
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool GetCaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  String Get(Integer Index) const override;
  Integer GetCount() const override { return Integer(FList.size()); }
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const String& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const String& S1, const String& S2) const override;
  void InsertItem(Integer Index, const String& S, TObject* AObject);
  void SortItems();

 private:
  std::vector<std::pair<String, TObject*>> FList;
  TDuplicates FDuplicates = TDuplicates::dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
};
