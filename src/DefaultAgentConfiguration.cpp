#include "DefaultAgentConfiguration.h"

namespace {

// Written and read back verbatim: the backslashes of UNDEFINED are part of its value.
constexpr std::string_view kContent =
    R"(#all properties of vci agent
#Thu May 01 09:30:24 GMT 2014
com.tevrin.sorvel.wsm.requester.AgentRequester.creator=com.tevrin.sorvel.wsm.requester.VCIRequester
update.agent.image.path=/tmp/
tjws.outstream=com.tevrin.sorvel.agent.impl.configuration.DebugLogStream
slp.uri.soap=/zel/services/ConnectorService
tjws.http-port=5302
log.properties=/config/log4j.properties
tjws.webappdir=/app/tevrin/conf
slp.wsm.discover.lost.sleep=10000
wsm.manager.service.name=manager
com.tevrin.sorvel.nvm.NVMFacade.creator=com.tevrin.sorvel.nvm.impl.NVMFacadeImpl
wlan.conf.infra.channel=-1
soap.request.presignin.file=/app/tevrin/conf/presignin-prepared.xml
com.tevrin.sorvel.agent.impl.configuration.AgentConfiguration.ips=
network.config.static.ip=192.168.68.41
network.config.static.gateway=192.168.68.41
update.image.filename.id=FILENAME
slp.wsm.discover.timeout.unicast=15000
managers.list.expiration.time=180000
time.wait.slp.init=100
com.tevrin.sorvel.agent.impl.BootHandler.creator=com.tevrin.sorvel.agent.bootstrap.BootHandlerImpl
com.olmarc.kemtools.sysapi.MainFacade.creator=com.tevrin.sorvel.vci.adapter.VCIMainFacadeImpl
wsm.manager.https.port=23007
country.code=
vci.agent.https.port=5302
orva.start.time=201405010930
tjws.realm=/config/basic.txt
com.tevrin.sorvel.configuration.path=/config/agent.configuration
com.tevrin.sorvel.vci.VCIFacade.logger=OFF
com.tevrin.sorvel.agent.ConnectorFacade.creator=com.tevrin.sorvel.agent.impl.ZELAgentBasicImpl
tjws.socket.factory=
com.tevrin.sorvel.agent.network.NetConfigChangeable.logger=OFF
vci.agent.http.port=5302
network.config.nic=0
com.tevrin.sorvel.nvm.NVMFacade.logger=OFF
slp.wsm.discover.timeout.multicast=5000
tjws.doublehead=
wlan.conf.adhoc.ssid=
slp.ip.bind=all
java.protocol.handler.pkgs=
wlan.conf.infra.ssid=
wlan.conf.infra.security.level=-1
slp.port=427
com.tevrin.sorvel.wsm.requester.WsmManagerFacade.logger=OFF
orva.hostname=ORVA
tjws.keystoreFile=
tjws.nohup=-nohup
network.config.static.netmask=255.255.0.0
network.config.discover.mode=3
UNDEFINED=DOES\ NOT\ EXIST
tjws.bind-address=0.0.0.0
wlan.conf.adhoc.channel=-1
wlan.conf.adhoc.security.level=-1
slp.uri.nvm=/nVm
vci.agent.context.path=/zel/services/ConnectorService
tjws.https-port=23008
wlan.conf.infra.credentials=
soap.request.selftestresult.file=/app/tevrin/conf/getSelftestResult-prepared.xml
wsm.manager.secure.use=false
counter.write.cycles.flash=1
vci.agent.secure.use=false
com.tevrin.sorvel.wsm.requester.AgentRequester.logger=OFF
orva.color=white
wlan.conf.adhoc.band=-1
com.tevrin.sorvel.wsm.requester.WsmManagerFacade.creator=com.tevrin.sorvel.wsm.requester.SimpleWsmManager
tjws.keystoreType=
wsm.user=webserviceuser1
slp.zel.manger.port=11352
com.tevrin.sorvel.vci.VCIFacade.creator=com.tevrin.sorvel.vci.OrvaVCIFacadeImpl
wlan.conf.infra.band=-1
nvm.emulate.ops=false
slp.wsm.discover.delay=1000
com.tevrin.sorvel.agent.network.NetConfigChangeable.creator=com.tevrin.sorvel.agent.network.NetConfigChange
wsm.manager.context.path=/webservices/manager
manager.base.timeout=35000
tjws.log.dir=/tmp
com.olmarc.kemtools.sysapi.MainFacade.logger=OFF
attempt.wait.slp.init=1
tjws.keystorePass=
wsm.password=ZBXFlat
wlan.last.used.configuration=Infrastructure
vci.agent.service.name=ZELConnector
jni.orva.library=JORVA
update.digest.checksum.id=MD5CHKSM
wsm.manager.http.port=23005
soap.request.signin.file=/app/tevrin/conf/signin-prepared.xml
update.digest.algorithm=MD5
wlan.conf.adhoc.credentials=
tjws.errorstream=com.tevrin.sorvel.agent.impl.configuration.ErrorLogStream
)";

}  // namespace

std::string_view DefaultAgentConfiguration::Content() { return kContent; }
