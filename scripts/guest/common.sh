# Shared by the guest scripts: where the kernel is cached.
#
# The cache lives in the user's cache folder. scripts/test.sh points HOME at a temporary folder,
# so the home folder is taken from the user database rather than from HOME, and the kernel is
# fetched once per machine rather than once per test run. MORVANE_GUEST_CACHE overrides it.
morvane_guest_cache_dir()
{
    if [ -n "${MORVANE_GUEST_CACHE:-}" ]; then
        echo "$MORVANE_GUEST_CACHE"
        return
    fi

    if [ -n "${XDG_CACHE_HOME:-}" ]; then
        echo "$XDG_CACHE_HOME/morvane-guest"
        return
    fi

    local home
    home=$(getent passwd "$(id -u)" 2>/dev/null | cut -d: -f6)
    echo "${home:-$HOME}/.cache/morvane-guest"
}
