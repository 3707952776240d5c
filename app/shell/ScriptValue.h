// ScriptValue: the tagged value that crosses between the skin's scripts and the program.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct lua_State;

class ScriptValue {
 public:
  enum Kind {
    kNil = 0,
    kInteger = 3,
    kNumber = 4,
    kString = 5,
    kArray = 6,
    kTable = 7,
    kMixed = 8,
  };
  typedef std::vector<ScriptValue> Array;
  typedef std::map<std::string, ScriptValue> Table;

  ScriptValue() : m_kind(kNil), m_int(0), m_number(0) {}
  explicit ScriptValue(int value) : m_kind(kInteger), m_int(value), m_number(0) {}
  explicit ScriptValue(const char* text) : m_kind(kString), m_int(0), m_number(0), m_string(text ? text : "") {}
  explicit ScriptValue(const std::string& text) : m_kind(kString), m_int(0), m_number(0), m_string(text) {}
  static ScriptValue Number(double value);

  Kind GetKind() const { return m_kind; }
  void SetKind(Kind kind) { m_kind = kind; }

  int AsInt() const { return m_kind == kInteger ? m_int : 0; }  // a number is not converted
  // A handle or pointer that a script hands back as it was given: an integer, or a number
  // for values beyond 32 bits (a Lua number holds every value below 2^53 exactly). 0 for
  // anything else, and for numbers that are not whole or do not fit the pointer's width.
  uintptr_t AsHandle() const;
  double AsNumber() const { return m_number; }
  const char* AsString() const { return m_kind == kString ? m_string.c_str() : nullptr; }
  // True only for an array, table or mixed value without elements.
  bool IsEmpty() const;

  // Member by key, for writing: a nil value becomes a table, a missing key is added as nil.
  ScriptValue& operator[](const std::string& key);
  const Table& Members() const { return m_table; }
  const Array& Elements() const { return m_array; }
  Array& Elements() { return m_array; }

  // Reads the Lua value at idx (the stack is left as it was found). A table met again inside
  // itself, tables nested deeper than kMaxDepth and values beyond the first kMaxValues are
  // read as nil.
  static ScriptValue FromLua(lua_State* L, int idx);
  // Pushes one value.
  void PushToLua(lua_State* L) const;

  static constexpr int kMaxDepth = 32;
  static constexpr int kMaxValues = 1 << 20;

 private:
  struct Walk;
  static ScriptValue FromLuaAt(lua_State* L, int idx, Walk& walk);

  Kind m_kind;
  int m_int;
  double m_number;
  std::string m_string;
  Array m_array;
  Table m_table;
};
