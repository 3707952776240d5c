// The script class table and its standard handlers.
//
// A class is a global table holding "__name", "__index", "__newindex", "__gc", optionally
// "__parent", and one closure per method. It is the metatable of every object of the class.
#pragma once

struct lua_State;

namespace lua_tinker {

// Pushes a new class table named `name` with the standard handlers. Control templates make
// their classes with it too.
void push_class_table(lua_State* L, const char* name);

// "__index": the key from the object's class table, then from each "__parent" in turn;
// an unknown key raises "can't find '<key>' class variable. (forgot registering class
// variable ?)".
int meta_get(lua_State* L);
// "__newindex": a key the class table does not hold is stored in it (every object of the
// class sees it); a key it holds (a method, or a value stored before) keeps its value.
int meta_set(lua_State* L);
// "__gc": runs the holder's destructor; the engine object is untouched.
int meta_gc(lua_State* L);

// Raises "no class at first argument. (forgot ':' expression ?)". Does not return.
int raise_no_class(lua_State* L);

}  // namespace lua_tinker
