#!/usr/bin/env bash
# Sourced by the install scripts: morvane_install_missing LABEL PACKAGE... installs, quietly,
# those of the Debian packages that are not installed yet, and does nothing when all are.

morvane_install_missing()
{
    local label="$1"
    shift
    local missing=() p

    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done

    [ ${#missing[@]} -gt 0 ] || return 0

    echo "${label}: ${missing[*]}"
    local sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo_cmd apt-get update -qq
    $sudo_cmd apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}" >/dev/null
}
