# Warnings for our own code. JUCE's headers come in as system headers so that their
# warnings do not drown ours.
#
# In the fuzz build (clang, part of the test command) a warning in our code is an error, so that
# it stays free of them. GCC builds only warn by default: its flow-dependent warnings
# (-Wnull-dereference at -O2) change from one version to the next and fire inside the standard
# library's inlined code, where a new compiler would break the build for nothing. Any build can
# ask for errors with -DMORVANE_WARNINGS_AS_ERRORS=ON.
option(MORVANE_WARNINGS_AS_ERRORS "Treat a warning in our own code as an error" ${MORVANE_FUZZ})

function(morvane_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wunused -Woverloaded-virtual
        -Wcast-align -Wnull-dereference -Wno-missing-field-initializers)

    if(MORVANE_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
