# Warnings for our own code. JUCE's headers come in as system headers so that their
# warnings do not drown ours.
function(morvane_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wunused -Woverloaded-virtual
        -Wcast-align -Wnull-dereference -Wno-missing-field-initializers)
endfunction()
