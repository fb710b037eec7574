# bash completion for quillorix-cli

_quillorix_cli() {
    local cur prev words cword
    _init_completion || return

    local commands="info export convert follow tree search stats"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $prev in
        --format)
            case $command in
                export) COMPREPLY=($(compgen -W "jsonl csv" -- "$cur")) ;;
                follow) COMPREPLY=($(compgen -W "jsonl text" -- "$cur")) ;;
            esac
            return ;;
        --save-type) COMPREPLY=($(compgen -W "0 1 2" -- "$cur")); return ;;
        --key) COMPREPLY=($(compgen -W "0 1 2 3 4" -- "$cur")); return ;;
        --by) COMPREPLY=($(compgen -W "user host date month" -- "$cur")); return ;;
        --lang) COMPREPLY=($(compgen -W "jpn eng" -- "$cur")); return ;;
        -o | --output | --password-file) _filedir; return ;;
    esac

    local options
    case $command in
        info) options="--password-file" ;;
        export) options="--format -o --output --password-file" ;;
        convert) options="-o --output --save-type --header-encode --dustbox --password-file" ;;
        follow) options="--format --password-file" ;;
        tree) options="--key --lang --password-file" ;;
        search) options="--regex --lang --password-file" ;;
        stats) options="--by --lang --password-file" ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi
    _filedir
}
complete -F _quillorix_cli quillorix-cli
