# Copies the generated country table SOURCE into the database folder FOLDER
# as COUNTRY.DB, unless the folder already holds a country table under any
# spelling of its name (the operator's table is never replaced).
file(MAKE_DIRECTORY "${FOLDER}")
file(GLOB existing LIST_DIRECTORIES false "${FOLDER}/*")
foreach(path IN LISTS existing)
    get_filename_component(name "${path}" NAME)
    string(TOLOWER "${name}" lower)
    if(lower STREQUAL "country.db")
        return()
    endif()
endforeach()
file(COPY_FILE "${SOURCE}" "${FOLDER}/COUNTRY.DB" ONLY_IF_DIFFERENT)
message(STATUS "Country table laid out in ${FOLDER}/COUNTRY.DB")
