#pragma once

#include <string>

#include "engine/methodenv.h"

class C_Parametr;

// Method templates: the last values entered for a standard method, in the
// record format of the saved test.

// "SHAB_" + the method's text + ".ips". The text is the method's own, never
// one read from a file, so no file can name a path outside the folder.
std::string TemplateFileName(const std::string& methodText);

// Writes the list as the template `name` in the program folder. The old
// template survives a failed or interrupted save; false (reported) then.
bool SaveParams(const C_Parametr& list, const MethodEnv& env, const std::string& name);

// Replaces the list by the template's records when the whole file reads back
// sound; otherwise the list stays as it was and false is returned.
bool LoadParams(C_Parametr& list, const MethodEnv& env, const std::string& name);
