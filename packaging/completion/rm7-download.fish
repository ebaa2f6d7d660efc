# fish completion for rm7-download, installed into fish's vendor_completions.d.

# The COM numbers that have a device, as the program itself finds them (its settings-folder links and
# fixed table), then the USB serial devices; a path when the word begins as one.
function __rm7_download_ports
    set -l token (commandline -ct)
    if string match -qr '^[/.~]' -- $token
        __fish_complete_path $token
        return
    end
    set -l program (commandline -opc)[1]
    command -q $program; or set program rm7-download
    command $program --list-ports 2>/dev/null | string replace -r '$' '\tCOM number'
    for device in /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*
        printf '%s\tserial device\n' $device
    end
end

# rm7-download's options; a new option is one more line here. Files follow --import and --export only.
complete -c rm7-download -f
complete -c rm7-download -n '__fish_seen_argument -l import -l export' -F
complete -c rm7-download -s h -l help -d 'Print the options and exit'
complete -c rm7-download -l help-all -d 'Print the options, the toolkit\'s too, and exit'
complete -c rm7-download -s v -l version -d 'Print the version and exit'
complete -c rm7-download -l download -r -F -d 'Download the log into a file (- for standard output)'
complete -c rm7-download -l count -d 'Print how many logs the controller holds'
complete -c rm7-download -l collect -d 'Download from several ports at once, each into a file of its own'
complete -c rm7-download -l port -x -k -a '(__rm7_download_ports)' -d 'COM number or device path'
complete -c rm7-download -l into -x -a '(__fish_complete_directories)' -d 'With --collect: the folder for the files'
complete -c rm7-download -l name -x -d 'With --collect: the file name pattern'
complete -c rm7-download -l retries -x -d 'With --collect: tries after the first'
complete -c rm7-download -l retry-delay -x -d 'With --collect: seconds between tries'
complete -c rm7-download -l no-archive -d 'Do not add the download to the archive'
complete -c rm7-download -l import -d 'Add saved downloads (files, folders) to the archive'
complete -c rm7-download -l controllers -d 'List the controllers in the archive'
complete -c rm7-download -l status -d 'List the controllers and whether they are overdue'
complete -c rm7-download -l overdue -x -d 'With --status: days after which a controller is overdue'
complete -c rm7-download -l export -x -d 'Write a controller\'s records from the archive into a file'
complete -c rm7-download -l from -x -d 'With --export: records from this date on'
complete -c rm7-download -l to -x -d 'With --export: records up to this date'
complete -c rm7-download -l plain -d 'With --export: the column titles and the records only'
complete -c rm7-download -l quiet -d 'Print no progress'
complete -c rm7-download -l verbose -d 'Print the program log lines too'
