// The precompiled JUCE headers are built for this empty source (cmake/PrecompiledJuce.cmake).
