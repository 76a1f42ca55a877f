# What wixl leaves out of the .msi, added to its tables with msitools'
# msibuild: kv7700ctl.exe's folder at the end of the machine's PATH (the
# Environment table: "=-*" sets it for the machine on install and takes our
# part out again on removal; "[~];" appends), and the event source's message
# file as REG_EXPAND_SZ ("#%"), as the event log documents it.
#
#   cmake -DMSIBUILD=msibuild -DMSI=kv7700.msi -P msi_tables.cmake

function(msi_query query)
  execute_process(COMMAND ${MSIBUILD} ${MSI} -q "${query}" RESULT_VARIABLE status
                  ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "msibuild failed (${status}) on: ${query}\n${error}")
  endif()
endfunction()

msi_query("CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)")
msi_query("INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) VALUES ('ToolOnPath', '=-*PATH', '[~];[BINDIR]', 'Tool')")
# RemoveEnvironmentStrings after RemoveRegistryValues (2600), WriteEnvironmentStrings
# after WriteRegistryValues (5000), where the installer's own sequence has them.
msi_query("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)")
msi_query("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)")
msi_query("UPDATE `Registry` SET `Value` = '#%[#ServiceExe]' WHERE `Name` = 'EventMessageFile'")
