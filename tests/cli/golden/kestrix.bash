# bash completion for kestrix (written by kestrix --bash-completion)
_kestrix() {
    local cur=${COMP_WORDS[COMP_CWORD]} path="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case "$path ${COMP_WORDS[i]}" in
            " bidi") path=" bidi" ;;
            " csv") path=" csv" ;;
            " demo") path=" demo" ;;
            " discover") path=" discover" ;;
            " dump") path=" dump" ;;
            " export") path=" export" ;;
            " get") path=" get" ;;
            " ids") path=" ids" ;;
            " ids list") path=" ids list" ;;
            " ids push") path=" ids push" ;;
            " ids rm") path=" ids rm" ;;
            " import") path=" import" ;;
            " info") path=" info" ;;
            " inspect") path=" inspect" ;;
            " limit") path=" limit" ;;
            " limits") path=" limits" ;;
            " logs") path=" logs" ;;
            " ls") path=" ls" ;;
            " manifest") path=" manifest" ;;
            " plot") path=" plot" ;;
            " project") path=" project" ;;
            " project list") path=" project list" ;;
            " project pull") path=" project pull" ;;
            " project push") path=" project push" ;;
            " project show") path=" project show" ;;
            " put") path=" put" ;;
            " recertify") path=" recertify" ;;
            " record") path=" record" ;;
            " records") path=" records" ;;
            " report") path=" report" ;;
            " screen") path=" screen" ;;
            " serve") path=" serve" ;;
            " settings") path=" settings" ;;
            " settings new") path=" settings new" ;;
            " settings pull") path=" settings pull" ;;
            " settings push") path=" settings push" ;;
            " settings set") path=" settings set" ;;
            " settings show") path=" settings show" ;;
            " sh") path=" sh" ;;
            " sim") path=" sim" ;;
            " sor") path=" sor" ;;
            " update") path=" update" ;;
            " wiremap") path=" wiremap" ;;
        esac
    done
    local commands="" options=""
    case "$path" in
        "") commands="discover sh ls get put records import demo sim inspect record dump plot wiremap csv sor bidi recertify report export serve settings project ids limits limit manifest update info logs screen" options="--help -h" ;;
        " bidi") commands="" options="--help -h --detail --json --host" ;;
        " csv") commands="" options="--help -h --quiet -q" ;;
        " demo") commands="" options="--help -h --out" ;;
        " discover") commands="" options="--help -h --ip --password --timeout --json" ;;
        " dump") commands="" options="--help -h --json --detail" ;;
        " export") commands="" options="--help -h --out -o --json --project --latest --keep-going --quiet -q" ;;
        " get") commands="" options="--help -h --ip --password --timeout --quiet -q" ;;
        " ids") commands="list push rm" options="--help -h" ;;
        " ids list") commands="" options="--help -h --ip --password --timeout --json" ;;
        " ids push") commands="" options="--help -h --name --ip --password --timeout --quiet -q" ;;
        " ids rm") commands="" options="--help -h --ip --password --timeout --quiet -q" ;;
        " import") commands="" options="--help -h --ip --password --timeout --out --project --no-mark --all --json --serial-transfers" ;;
        " info") commands="" options="--help -h --ip --password --timeout --json" ;;
        " inspect") commands="" options="--help -h --json" ;;
        " limit") commands="" options="--help -h --json" ;;
        " limits") commands="" options="--help -h --json" ;;
        " logs") commands="" options="--help -h --ip --password --timeout --output -o --lock-screen --quiet -q" ;;
        " ls") commands="" options="--help -h --ip --password --timeout --json" ;;
        " manifest") commands="" options="--help -h --json" ;;
        " plot") commands="" options="--help -h --out -o --test --end --feet --quiet -q" ;;
        " project") commands="show list pull push" options="--help -h" ;;
        " project list") commands="" options="--help -h --ip --password --timeout --json" ;;
        " project pull") commands="" options="--help -h --ip --password --timeout --json --output -o --quiet -q" ;;
        " project push") commands="" options="--help -h --ip --password --timeout --json --name --overwrite --force" ;;
        " project show") commands="" options="--help -h --json --detail" ;;
        " put") commands="" options="--help -h --ip --password --timeout --quiet -q" ;;
        " recertify") commands="" options="--help -h --out -o --nvp --limit-db --limit --json --quiet -q" ;;
        " record") commands="" options="--help -h --json --plots" ;;
        " records") commands="" options="--help -h --ip --password --timeout --json" ;;
        " report") commands="" options="--help -h --out -o --title --html --feet --customer --contractor --operator --logo --project --fails-only --latest --keep-going --quiet -q" ;;
        " screen") commands="" options="--help -h --ip --password --timeout --output -o --quiet -q" ;;
        " serve") commands="" options="--help -h --port --listen --ip --password --timeout --watch --no-mark" ;;
        " settings") commands="show new set pull push" options="--help -h" ;;
        " settings new") commands="" options="--help -h --quiet -q" ;;
        " settings pull") commands="" options="--help -h --ip --password --timeout --output -o --quiet -q" ;;
        " settings push") commands="" options="--help -h --ip --password --timeout --quiet -q" ;;
        " settings set") commands="" options="--help -h --quiet -q" ;;
        " settings show") commands="" options="--help -h --json" ;;
        " sh") commands="" options="--help -h --ip --password --timeout" ;;
        " sim") commands="" options="--help -h --root --records --records-of --port --password --model --serial --config --module --refuse-login --reply-delay --no-prompt --garbage-sysinfo --dollar-stream --endless-reply --repeat-time-lines --scp-drip --stall-shell-input --swupdate-reply --short-fbdump --fail-command --drop-download --drop-listing --truncate-file --corrupt-master --corrupt-project" ;;
        " sor") commands="" options="--help -h --out -o --end --quiet -q" ;;
        " update") commands="" options="--help -h --ip --password --timeout --json --force" ;;
        " wiremap") commands="" options="--help -h --out -o --feet --quiet -q" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ -n $commands ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _kestrix kestrix
