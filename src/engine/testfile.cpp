// placeholder until this unit is written
#include "engine/testfile.h"

std::string TemplateFileName(const std::string& methodText) {
    return "SHAB_" + methodText + ".ips";
}
bool SaveParams(const C_Parametr&, const MethodEnv&, const std::string&) {
    return false;
}
bool LoadParams(C_Parametr&, const MethodEnv&, const std::string&) {
    return false;
}
