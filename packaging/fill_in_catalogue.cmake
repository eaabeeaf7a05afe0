# Fills a template with the panel model catalogue that catalogue-names wrote:
#   cmake -DCATALOGUE=FILE -DTEMPLATE=FILE -DOUTPUT=FILE -DVERSION=TEXT -DMAINTAINER=TEXT -P fill_in_catalogue.cmake
# In the template, @PANEL_MODELS@ becomes every name separated by blanks,
# @FIXED_SIZE_MODELS@ and @FREE_SIZE_MODELS@ the names of each size rule for
# a manual page (separated by commas, each after roff's no-hyphenation mark), @PROJECT_VERSION@ the version and @MAINTAINER@ the
# package's maintainer.
file(STRINGS "${CATALOGUE}" rows)
set(all "")
set(fixed "")
set(free "")
foreach(row IN LISTS rows)
  string(REGEX MATCH "^([A-Z0-9]+) (fixed|free)$" matched "${row}")
  if(NOT matched)
    message(FATAL_ERROR "unexpected catalogue row: ${row}")
  endif()
  list(APPEND all "${CMAKE_MATCH_1}")
  list(APPEND ${CMAKE_MATCH_2} "${CMAKE_MATCH_1}")
endforeach()
if(NOT all OR NOT fixed OR NOT free)
  message(FATAL_ERROR "the catalogue in ${CATALOGUE} lacks models of a size rule")
endif()
list(JOIN all " " PANEL_MODELS)
list(JOIN fixed ", \\%" FIXED_SIZE_MODELS)
list(JOIN free ", \\%" FREE_SIZE_MODELS)
string(PREPEND FIXED_SIZE_MODELS "\\%")
string(PREPEND FREE_SIZE_MODELS "\\%")
set(PROJECT_VERSION "${VERSION}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
