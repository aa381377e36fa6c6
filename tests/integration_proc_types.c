/* Each function-pointer type of the public headers is the type of its
 * export. integration_link.sh compiles this file as C89, C++11 and C++17
 * with every warning an error: in C a pointer of another type (arguments,
 * result or calling convention) does not take the function without a
 * warning; in C++ the types must be the same, noexcept included. */
#include "twpalm.h"
#include "twpalmui.h"

#ifdef __cplusplus
/* std::is_same without the standard library, which the msvc target lacks here. */
template <typename A, typename B> struct SameType { enum { value = 0 }; };
template <typename A> struct SameType<A, A> { enum { value = 1 }; };
#define SAME_TYPE(function, type) \
    static_assert(SameType<decltype(&function), type>::value, #type " is not the type of &" #function);
#else
#define SAME_TYPE(function, type) type function##Pointer = function;
#endif

SAME_TYPE(InstallAllConduits, TWPALM_INSTALLALLCONDUITS_PROC)
SAME_TYPE(UninstallAllConduits, TWPALM_UNINSTALLALLCONDUITS_PROC)
SAME_TYPE(VerifyConduitDate, TWPALM_VERIFYCONDUITDATE_PROC)
SAME_TYPE(VerifyConduitTask, TWPALM_VERIFYCONDUITTASK_PROC)
SAME_TYPE(DisplaySettings, TWPALMUI_DISPLAYSETTINGS_PROC)
SAME_TYPE(DisplayUserSettings, TWPALMUI_DISPLAYUSERSETTINGS_PROC)
