# Delay-loaded imports: a DLL that only a dialog, the player, the About window or a painted background needs is
# loaded the first time one of its functions is called, not at start-up. dlltool makes a delay-import library
# from a list of the functions used; mingw-w64's delayimp resolves them at their first call.
get_filename_component(_vigilamp_cc "${CMAKE_C_COMPILER}" NAME)
string(REGEX REPLACE "-gcc.*$" "" _vigilamp_triplet "${_vigilamp_cc}")
find_program(VIGILAMP_DLLTOOL NAMES ${_vigilamp_triplet}-dlltool REQUIRED)

# name: the DLL without ".dll"; then pairs of a function and its stdcall argument bytes (32-bit decoration).
function(vigilamp_delay_library out name)
  set(def "LIBRARY ${name}.dll\nEXPORTS\n")
  set(args ${ARGN})
  while(args)
    list(POP_FRONT args function bytes)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(APPEND def "${function}@${bytes}\n")
    else()
      string(APPEND def "${function}\n")
    endif()
  endwhile()
  set(def_file ${CMAKE_BINARY_DIR}/delay/${name}.def)
  set(lib_file ${CMAKE_BINARY_DIR}/delay/lib${name}_delay.a)
  file(WRITE ${def_file} "${def}")
  add_custom_command(OUTPUT ${lib_file}
    COMMAND ${VIGILAMP_DLLTOOL} -k -d ${def_file} -y ${lib_file} -D ${name}.dll
    DEPENDS ${def_file} VERBATIM)
  add_custom_target(${name}_delay DEPENDS ${lib_file})
  set(${out} ${lib_file} PARENT_SCOPE)
endfunction()

vigilamp_delay_library(comdlg32_delay comdlg32 GetOpenFileNameW 4 CommDlgExtendedError 0)
vigilamp_delay_library(winmm_delay winmm mciSendStringW 16)
vigilamp_delay_library(ole32_delay ole32 CoCreateInstance 20 CoInitializeEx 8 CoUninitialize 0)
vigilamp_delay_library(oleaut32_delay oleaut32 SysAllocString 4 SysAllocStringLen 8 SysFreeString 4
                       VariantClear 4 VariantInit 4)
vigilamp_delay_library(msimg32_delay msimg32 AlphaBlend 44 GradientFill 24)
vigilamp_delay_library(uxtheme_delay uxtheme IsAppThemed 0)
set(VIGILAMP_DELAYED_IMPORTS ${comdlg32_delay} ${winmm_delay} ${ole32_delay} ${oleaut32_delay} ${msimg32_delay}
    ${uxtheme_delay} delayimp)
set(VIGILAMP_DELAY_TARGETS comdlg32_delay winmm_delay ole32_delay oleaut32_delay msimg32_delay uxtheme_delay)
