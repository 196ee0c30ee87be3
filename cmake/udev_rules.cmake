# Writes the udev rules that give the person at the seat access to the hidraw nodes of every
# vendor/product id in the catalogue, so the rules cannot drift from it.
# With METAINFO_IN and METAINFO_OUT it also writes the AppStream file with one modalias per
# id (how software centres offer the program for a plugged-in mouse) and VERSION.
#   cmake -DCONFIG=<config.xml> -DOUTPUT=<rules file> [-DMETAINFO_IN=<template>
#         -DMETAINFO_OUT=<file> -DVERSION=<x.y.z>] -P udev_rules.cmake
file(READ "${CONFIG}" xml)
# A mode inside a comment is no mode.
string(REGEX REPLACE "<!--([^-]|-[^-])*-->" "" xml "${xml}")
string(REGEX MATCHALL "<mode[ \t\r\n][^>]*>" modes "${xml}")

function(hex_attribute element name out)
  if(element MATCHES "[ \t\r\n]${name}[ \t\r\n]*=[ \t\r\n]*[\"'](0[xX])?([0-9A-Fa-f]+)[\"']")
    string(TOLOWER "${CMAKE_MATCH_2}" value)
    string(LENGTH "${value}" length)
    if(length GREATER 4)
      message(FATAL_ERROR "${CONFIG}: ${name}=\"${CMAKE_MATCH_2}\" is not a 16-bit id")
    endif()
    while(length LESS 4)  # udev spells ids with four digits
      string(PREPEND value "0")
      math(EXPR length "${length} + 1")
    endwhile()
    set(${out} "${value}" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "${CONFIG}: a mode without a hexadecimal ${name}: ${element}")
  endif()
endfunction()

set(ids "")
foreach(mode IN LISTS modes)
  hex_attribute("${mode}" vid vid)
  hex_attribute("${mode}" pid pid)
  list(APPEND ids "${vid}:${pid}")
endforeach()
list(REMOVE_DUPLICATES ids)
if(NOT ids)
  message(FATAL_ERROR "${CONFIG} lists no mode with a vid and pid")
endif()

set(text "# Generated from config.xml when the program is built; edit that file, not this one.\n")
string(APPEND text "# Lets the user at the local seat open the mice's HID interfaces (hidraw).\n")
foreach(id IN LISTS ids)
  string(REPLACE ":" ";" pair "${id}")
  list(GET pair 0 vid)
  list(GET pair 1 pid)
  string(APPEND text
    "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"${vid}\", ATTRS{idProduct}==\"${pid}\", TAG+=\"uaccess\"\n")
endforeach()
function(write_if_changed path content)
  file(WRITE "${path}.tmp" "${content}")
  file(COPY_FILE "${path}.tmp" "${path}" ONLY_IF_DIFFERENT)
  file(REMOVE "${path}.tmp")
endfunction()
write_if_changed("${OUTPUT}" "${text}")

if(METAINFO_IN)
  set(MODALIASES "")
  foreach(id IN LISTS ids)
    string(TOUPPER "${id}" upper)
    string(REPLACE ":" ";" pair "${upper}")
    list(GET pair 0 vid)
    list(GET pair 1 pid)
    string(APPEND MODALIASES "    <modalias>usb:v${vid}p${pid}d*</modalias>\n")
  endforeach()
  file(READ "${METAINFO_IN}" template)
  string(CONFIGURE "${template}" metainfo @ONLY)
  write_if_changed("${METAINFO_OUT}" "${metainfo}")
endif()
