# bash completion for zembra, the command line of Uninstaller zembra.

_zembra()
{
    local cur prev words cword
    _init_completion || return

    local commands="apps leftovers remove plugins prefpanes safari-extensions remove-plugin remove-safari-extension"
    local folders="--applications --home --root --settings-dir"

    case $prev in
        --applications | --home | --root | --settings-dir)
            _filedir -d
            return
            ;;
        --keep)
            _filedir
            return
            ;;
        -h | --help)
            return
            ;;
    esac

    # The command is the first word that is neither an option nor an option's value;
    # after "--" every word is an argument.
    local i command="" options_end=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --) options_end=1 ;;
            --applications | --home | --root | --settings-dir | --keep) ((options_end)) || ((i++)) ;;
            -*) ((options_end)) && [[ -z $command ]] && command=${words[i]} ;;
            *) [[ -z $command ]] && command=${words[i]} ;;
        esac
    done

    if [[ $cur == -* ]] && ((!options_end)); then
        local options="$folders --json --help --"
        case $command in
            apps) options+=" --include-default-apps --include-utilities" ;;
            remove) options+=" --keep --dry-run --yes" ;;
            remove-plugin | remove-safari-extension) options+=" --dry-run --yes" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        "")
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            ;;
        leftovers | remove)
            _filedir -d
            ;;
        remove-plugin)
            _filedir
            ;;
    esac
} &&
    complete -F _zembra zembra
